#include "cli/cli_options.h"

#include <optional>
#include <string_view>

#include "cli/cli_texts.h"

namespace brisol::cli {
namespace {

CliOptions usage_error(std::string_view what, std::string_view detail = {}) {
    CliOptions options;
    options.action = CliAction::UsageError;
    options.usage_error = std::string{what} + std::string{detail};
    return options;
}

// "--name VALUE" or "--name=VALUE"; advances i past a separate value.
std::optional<std::string> option_value(const std::vector<std::string>& args, std::size_t& i,
                                        std::string_view name) {
    const std::string_view arg = args[i];
    if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=')
        return std::string{arg.substr(name.size() + 1)};
    if (i + 1 >= args.size()) return std::nullopt;
    return args[++i];
}

}  // namespace

CliOptions parse_command_line(const std::vector<std::string>& args) {
    CliOptions options;
    std::optional<std::string> extension;
    std::vector<std::string> operands;
    bool options_ended = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (options_ended || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(args[i]);
        } else if (arg == "--") {
            options_ended = true;
        } else if (arg == "--help" || arg == "-h") {
            options.action = CliAction::ShowHelp;
            return options;
        } else if (arg == "--version") {
            options.action = CliAction::ShowVersion;
            return options;
        } else if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
        } else if (arg == "--ext" || arg.starts_with("--ext=")) {
            extension = option_value(args, i, "--ext");
            if (!extension) return usage_error(kMissingValue, "--ext");
        } else if (arg == "--codepage" || arg.starts_with("--codepage=")) {
            const std::optional<std::string> codepage = option_value(args, i, "--codepage");
            if (!codepage) return usage_error(kMissingValue, "--codepage");
            options.codepage = *codepage;
        } else {
            return usage_error(kUnknownOption, arg);
        }
    }
    if (operands.empty()) return usage_error(kMissingCommand);
    if (operands.front() == "crypt") {
        options.direction = Direction::Crypt;
        if (extension) return usage_error(kExtOnlyForDecrypt);
    } else if (operands.front() == "decrypt") {
        options.direction = Direction::Decrypt;
    } else {
        return usage_error(kUnknownCommand, operands.front());
    }
    options.extension = extension.value_or(std::string{kDefaultExtension});
    options.files.assign(operands.begin() + 1, operands.end());
    if (options.files.empty()) return usage_error(kMissingFile);
    return options;
}

}  // namespace brisol::cli

#include "cli/cli_options.h"

#include <optional>
#include <string_view>

#include "cli/cli_texts.h"
#include "operation/messages.h"

namespace brisol::cli {
namespace {

CliOptions usage_error(std::string_view what, std::string_view detail = {}) {
    CliOptions options;
    options.action = CliAction::UsageError;
    options.usage_error = std::string{what} + messages::shown_name(detail);
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

// A whole number from 1, in decimal digits only.
std::optional<unsigned> job_count(std::string_view text) {
    if (text.empty() || text.size() > 6) return std::nullopt;
    unsigned n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    if (n == 0) return std::nullopt;
    return n;
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
        } else if (arg == "--jobs" || arg.starts_with("--jobs=") || arg.starts_with("-j")) {
            // "-j N", "-jN", "--jobs N", "--jobs=N"
            const std::optional<std::string> text = arg.size() > 2 && arg[1] == 'j'
                                                        ? std::string{arg.substr(2)}
                                                        : option_value(args, i, "--jobs");
            if (!text) return usage_error(kMissingValue, "--jobs");
            const std::optional<unsigned> jobs = job_count(*text);
            if (!jobs) return usage_error(kBadJobs, *text);
            options.jobs = *jobs;
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

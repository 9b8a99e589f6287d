#include "cli_options.h"

#include <algorithm>
#include <charconv>

#include "cli_texts.h"
#include "file_system.h"
#include "messages.h"
#include "output_name.h"

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

bool is_option(std::string_view arg, std::string_view name) {
    return arg == name ||
           (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '=');
}

std::optional<int> descriptor_number(std::string_view text) {
    int fd = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), fd);
    if (error != std::errc{} || end != text.data() + text.size() || fd < 0) return std::nullopt;
    return fd;
}

// What the options say together, once the command and FILEs are known.
std::string_view combination_error(const CliOptions& options, bool extension_given) {
    if (options.output && options.files.size() > 1) return kOutputNeedsOneFile;
    if (options.output && extension_given) return kExtWithOutput;
    if (options.after && options.files.size() > 1) return kAfterNeedsOneFile;
    if (options.password_file && options.password_fd) return kTwoPasswordSources;
    if (std::count(options.files.begin(), options.files.end(), kStandardStream) > 1)
        return kStandardInputTwice;
    if (reads_standard_input(options) && options.password_fd == 0) return kPasswordFdIsData;
    return {};
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

bool reads_standard_input(const CliOptions& options) {
    return std::find(options.files.begin(), options.files.end(), kStandardStream) !=
           options.files.end();
}

bool output_is_standard(const CliOptions& options, std::string_view file) {
    if (!options.output) return file == kStandardStream;
    return *options.output == kStandardStream || descriptor_named(*options.output) == 1;
}

CliOptions parse_command_line(const std::vector<std::string>& args) {
    CliOptions options;
    std::optional<std::string> extension;
    std::vector<std::string> operands;
    bool options_ended = false;
    // Options that take a value: where each one's value goes.
    const auto take = [&](std::size_t& i, std::string_view name,
                          std::optional<std::string>& into) -> bool {
        into = option_value(args, i, name);
        return into && !into->empty();
    };
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
        } else if (is_option(arg, "--ext")) {
            extension = option_value(args, i, "--ext");
            if (!extension) return usage_error(kMissingValue, "--ext");
        } else if (is_option(arg, "--codepage")) {
            const std::optional<std::string> codepage = option_value(args, i, "--codepage");
            if (!codepage) return usage_error(kMissingValue, "--codepage");
            options.codepage = *codepage;
        } else if (arg == "-o" || is_option(arg, "--output")) {
            if (!take(i, arg == "-o" ? "-o" : "--output", options.output))
                return usage_error(kMissingValue, arg == "-o" ? "-o" : "--output");
        } else if (is_option(arg, "--password-file")) {
            if (!take(i, "--password-file", options.password_file))
                return usage_error(kMissingValue, "--password-file");
        } else if (is_option(arg, "--password-fd")) {
            std::optional<std::string> number;
            if (!take(i, "--password-fd", number))
                return usage_error(kMissingValue, "--password-fd");
            options.password_fd = descriptor_number(*number);
            if (!options.password_fd) return usage_error(kBadDescriptor, *number);
        } else if (is_option(arg, "--after")) {
            if (!take(i, "--after", options.after)) return usage_error(kMissingValue, "--after");
        } else if (is_option(arg, "--jobs") || arg.starts_with("-j")) {
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
    options.extension = extension.value_or(std::string{kDecryptedExtension});
    options.files.assign(operands.begin() + 1, operands.end());
    if (options.files.empty()) return usage_error(kMissingFile);
    if (const std::string_view error = combination_error(options, extension.has_value());
        !error.empty())
        return usage_error(error);
    return options;
}

}  // namespace brisol::cli

#pragma once
// Every text the operation runner shows to users. The README's "When something
// goes wrong" table lists them; keep the two in step.

#include <string>
#include <string_view>

#include "content_check.h"
#include "codepage.h"

namespace brisol::messages {

// File messages read: <verb> "<file>": <the operating system's reason>
inline constexpr std::string_view kCannotOpen = "Cannot open";
inline constexpr std::string_view kCannotCreate = "Cannot create";
inline constexpr std::string_view kCannotRead = "Cannot read";
inline constexpr std::string_view kCannotWrite = "Cannot write";
inline constexpr std::string_view kCannotSave = "Cannot save";

// The reason given for an input that is a device, a pipe or a socket.
inline constexpr std::string_view kNotRegularFile = "Not a regular file";
// Reasons given for an output name that can never take the result. A device
// or FIFO is written where it is, so one that another user put in place
// could take the result away.
inline constexpr std::string_view kIsBlockDevice = "Is a block device";
inline constexpr std::string_view kIsSocket = "Is a socket";
inline constexpr std::string_view kOthersDevice = "Is a device or FIFO of another user";
// The device or FIFO that was checked is not the one that opened.
inline constexpr std::string_view kOutputReplaced = "It was replaced while it was opened";
// An output name that another user's file or link holds in a folder where
// only they may replace it (a sticky folder such as /tmp).
inline constexpr std::string_view kOthersEntryInSharedFolder =
    "It belongs to another user, and only they may replace it in this folder";
// The reason given for an input that was truncated or extended while it was
// read: what was read is no longer the file the user chose.
inline constexpr std::string_view kInputChanged = "The file changed size while it was read";
// The reason given when the input reached the layers in pieces that ended
// inside a chunk: nothing could be written at the right offsets.
inline constexpr std::string_view kMisaligned = "It was read in pieces that end inside a chunk";

// Warned of when Crypt has an empty password: allowed, since files were
// made that way, but that layer's key is all zeros.
inline constexpr std::string_view kEmptyPassword1 =
    "Warning: PASSWORD-1 is empty, so the GOST layer is keyed with zeros and protects nothing.";
inline constexpr std::string_view kEmptyPassword2 =
    "Warning: PASSWORD-2 is empty, so the RC4 layer is keyed with zeros and protects nothing.";

inline constexpr std::string_view kNoFileChosen = "No file is chosen: choose or drop a file first.";
inline constexpr std::string_view kBusy =
    "An operation is still running: wait for it to finish, then try again.";
// Names each character that ends a name on this system.
extern const std::string kExtensionHasSlash;
inline constexpr std::string_view kNameHasZeroByte = "A file name cannot contain a zero byte.";
inline constexpr std::string_view kCannotStartWorker = "Cannot start the operation";

// After a successful Decrypt, what the result looks like (ContentHint): the
// warning, "The result looks like: <kind>", or empty when nothing is known.
inline constexpr std::string_view kLooksRandom =
    "Warning: the result looks like random data, not like a file of any known kind. "
    "PASSWORD-1 or PASSWORD-2 may be wrong: keep the encrypted file until you have "
    "checked the result.";
std::string content_note(const ContentHint& hint);

// "<output>" is the same file as "<input>"; the input was left untouched.
std::string same_file(std::string_view output_path, std::string_view input_path);
// Stopped: "<output>" was not written.
std::string cancelled(std::string_view output_path);
// PASSWORD-<n> has a character that code page <codepage> cannot represent.
std::string password_unrepresentable(int field, std::string_view codepage);
// PASSWORD-<n> is not valid UTF-8 text.
std::string password_not_utf8(int field);
// PASSWORD-<n> cannot contain a zero byte.
std::string password_has_zero_byte(int field);
// Unknown code page "<codepage>".
std::string unknown_codepage(std::string_view codepage);
// The one of the four above that a key block's refusal calls for; empty for
// PasswordTextError::None.
std::string password_error(PasswordTextError error, int field, std::string_view codepage);

// <verb> "<path>": <the system's reason for error, in English>
std::string file_error(std::string_view verb, std::string_view path, int error);
std::string file_error(std::string_view verb, std::string_view path, std::string_view reason);

// Standard input and output in messages, where a file's quoted name would be.
inline constexpr std::string_view kStandardInput = "standard input";
inline constexpr std::string_view kStandardOutput = "standard output";
// <verb> <stream>: <reason>, e.g. Cannot write standard output: Broken pipe
std::string stream_error(std::string_view verb, std::string_view stream, std::string_view reason);
// Stopped: what <output> received is incomplete. For an output written as it
// is made (standard output, a device, a FIFO), whose reader already has part
// of the result; `output` is kStandardOutput or a quoted_name().
std::string stopped_partway(std::string_view output);
// "<file>" is shorter than one chunk, so it did not move the register.
std::string no_full_chunk(std::string_view path);

// A file name (or any text from outside) as messages show it: control
// characters, the bidirectional controls that reorder the rest of a line,
// bytes that are not UTF-8, the double quote and the backslash escaped as C
// writes them (\n, \033, \342\200\256, \"), so that a hostile name can neither
// drive the terminal nor forge or disguise a line. On Windows, where the
// backslash separates folders and no name holds a control character, it is
// left as it is. Every message puts names through it.
std::string shown_name(std::string_view name);
// "<name>", shown as above.
std::string quoted_name(std::string_view name);

}  // namespace brisol::messages

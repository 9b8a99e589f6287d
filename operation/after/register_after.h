#pragma once
// Files written by a program that keeps the GOST feedback register from one
// operation to the next within a run: its second and later operations start
// where the one before left the register, at the last ciphertext block of
// that operation's last full chunk. For Crypt and Decrypt alike that block is
// in the encrypted file, so it is read from there. An operation without a full
// chunk left the register as it was, so such a file cannot tell it.

#include <string>

#include "feedback_register.h"
#include "output_file_system.h"

namespace brisol {

struct RegisterAfterResult {
    FeedbackRegister reg;
    std::string message;  // for the user; empty when reg holds the register
};

// The register as it stood after an operation on the encrypted file at
// previous_path.
RegisterAfterResult register_after(const std::string& previous_path,
                                   FileSystem& files = system_file_system());

}  // namespace brisol

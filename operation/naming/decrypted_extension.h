/* The extension text Decrypt names its output by unless told another: the
   window's field starts with it and brisol-cli's --ext defaults to it. The
   resource compiler reads this file as well as C++, so it holds only the
   macro. */
#ifndef BRISOL_DECRYPTED_EXTENSION_H
#define BRISOL_DECRYPTED_EXTENSION_H

#define BRISOL_DECRYPTED_EXTENSION ".src"

#endif

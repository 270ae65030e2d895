#ifndef MIREL_TEXT_HOST_TEXT_H
#define MIREL_TEXT_HOST_TEXT_H

#include <cstddef>
#include <cstdint>

#include "text/fc_string.h"

// Texts inside host records (raw texts, category names, definition descriptions): UTF-16 units, little-endian
// and ending with a zero unit, from host version 0x11000000 on; 8-bit characters ending with a zero byte before.
// The host version is read at the moment of use. The bytes need not be aligned for 16-bit access.

// Replaces `text` with the host text in the `count` bytes at `bytes` (which may be null when `count` is 0).
// Reading never goes past them: a text without terminator ends with the bytes, and an odd last byte of UTF-16
// text is no unit.
void ReadHostText(const uint8_t* bytes, std::size_t count, FCString& text);

// The bytes `text` takes as a host text with its terminator: (length + 1) * 2 for UTF-16; for 8-bit text the
// low bytes of its units up to the first zero one, and the zero byte.
std::size_t HostTextSize(const FCString& text);

// Writes `text` as a host text with its terminator, HostTextSize(text) bytes, to `out`.
void WriteHostText(const FCString& text, uint8_t* out);

#endif

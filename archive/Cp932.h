#pragma once
// 8-bit strings in documents are CP932 (Shift-JIS as Japanese systems write
// it); in memory they are UTF-8.
//
// Decoding never loses a byte: a byte that does not start a CP932 character
// which encodes back to the very same bytes is kept as the private-use
// character U+F700 + byte, and encoding turns such characters back into the
// byte. CP932 itself never produces U+F700..U+F7FF, and names typed by users
// are checked with CanEncodeCp932 first, so the escape cannot be confused with
// real text.

#include <string>
#include <string_view>

// Decodes CP932 bytes to UTF-8, losslessly (see above).
std::string DecodeCp932(std::string_view bytes);
// Encodes UTF-8 to CP932. Characters CP932 cannot hold become '?' and the
// answer is false; invalid UTF-8 bytes are treated the same way.
bool EncodeCp932(std::string_view utf8, std::string& out);
// Whether every character of a UTF-8 string survives encoding.
bool CanEncodeCp932(std::string_view utf8);

// Appends one code point as UTF-8 (surrogates keep their three-byte form).
void AppendUtf8(char32_t codePoint, std::string& out);

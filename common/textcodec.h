// Conversion between in-memory UTF-8 and the device code page.
//
// Every text lives in memory as UTF-8. Bytes that leave the program or come from outside it
// (fixed-width record fields, the parameter block, packets, shared files) are in the device code
// page, GBK unless the program is told otherwise. Conversion happens only at those edges.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Sets the device code page for the whole program (a name such as "GBK" or "CP1252").
// Returns false, and keeps the previous one, when the system does not know the name.
bool SetDeviceCodePage(const std::string& name);
std::string DeviceCodePage();

// UTF-8 to device bytes. Characters the code page cannot express become '?';
// malformed UTF-8 sequences become '?' as well.
std::string ToDeviceBytes(std::string_view utf8);

// Like ToDeviceBytes, but at most maxBytes bytes, never cutting a character in half.
std::string ToDeviceBytesLimited(std::string_view utf8, std::size_t maxBytes);

// Whether the text is valid UTF-8 whose every character the device code page can express, so
// that ToDeviceBytes writes no '?' for it.
bool FitsDeviceCodePage(std::string_view utf8);

// Device bytes to UTF-8. Bytes that do not decode become U+FFFD.
std::string FromDeviceBytes(std::string_view bytes);

// Makes arbitrary bytes valid UTF-8: malformed sequences become U+FFFD.
std::string SanitizeUtf8(std::string_view bytes);

// Appends one character (a Unicode scalar value) in UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

// The offset of the first byte that does not belong to a well-formed UTF-8 character, or npos
// when all of bytes is UTF-8.
std::size_t FirstInvalidUtf8(std::string_view bytes);

// Bytes of the code page page (an iconv name) to UTF-8, nothing replaced: false, with the offset
// of the first byte that does not decode in *badOffset, when the bytes are not text of that page
// or iconv does not know it (offset 0).
bool DecodeCodePage(std::string_view bytes, const std::string& page, std::string& utf8,
                    std::size_t* badOffset);

// The longest start of valid UTF-8 text that has at most maxBytes bytes and ends between two
// characters.
std::string_view Utf8Prefix(std::string_view utf8, std::size_t maxBytes);

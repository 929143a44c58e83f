#pragma once
// Windows-1251 is the byte encoding of the wire, the tables, the data files
// and the settings file. Text is converted only where it meets the user.
#include <string>
#include <string_view>

namespace vornik {

// Windows-1251 bytes to UTF-8. Every byte has a character (0x98, unassigned
// in the code page, maps to U+0098 so that every byte round-trips).
std::string Cp1251ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1251 bytes. Characters outside the code page become '?'.
std::string Utf8ToCp1251(std::string_view utf8);

}  // namespace vornik

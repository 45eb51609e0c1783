#pragma once

#include <string>
#include <string_view>

// UTF-8 checks for text that must be valid where it goes (the state file, JSON strings) but comes
// from bytes that need not be, such as file names.
namespace corkwallery::platform::utf8 {

// Whether the text is well-formed UTF-8: no overlong forms, surrogates or code points past
// U+10FFFF.
bool isValid(std::string_view text);

// The text with every ill-formed part replaced by U+FFFD, one per maximal ill-formed subpart, as
// Unicode recommends; valid text comes back unchanged.
std::string repaired(std::string_view text);

// At most `bytes` bytes of `text`, cut before a character that would not fit whole.
std::string_view prefix(std::string_view text, std::size_t bytes);

}  // namespace corkwallery::platform::utf8

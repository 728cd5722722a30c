// A path given as UTF-8 text (an option's value): on Windows it becomes the wide path that the
// file functions need, on Linux it stays the bytes it is.
#pragma once

#include <filesystem>
#include <string>

namespace sim {

inline std::filesystem::path Utf8Path(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

} // namespace sim

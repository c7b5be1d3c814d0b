#pragma once
// The app's visible texts. Each is looked up with its English text as the
// key; a string table may be installed for another language, and a text
// missing from it stays English.

#include <map>
#include <string>
#include <string_view>

namespace corvane::app {

class Localized {
public:
    // The text to show for the English key.
    static std::string text(std::string_view english);
    // Installs a string table (English key to translated text); an empty
    // table means English.
    static void setTable(std::map<std::string, std::string, std::less<>> table);
};

// Short form used by the screens: L("Settings").
inline std::string L(std::string_view english) { return Localized::text(english); }

}  // namespace corvane::app

#include "packer/sign/command_words.h"

namespace packer {

namespace {

bool IsBlank(NativeString::value_type c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void AppendQuoted(NativeString& line, const NativeString& word) {
    if (!word.empty() && word.find_first_of(NativeString{' ', '\t', '\n', '\v', '"'}) == NativeString::npos) {
        line += word;
        return;
    }
    line += '"';
    size_t backslashes = 0;
    for (const auto c : word) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count as such only before a quote: there each stands
        // for half of what the parser sees.
        line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        line += c;
        backslashes = 0;
    }
    line.append(2 * backslashes, '\\');
    line += '"';
}

}  // namespace

bool SplitWords(const NativeString& text, std::vector<NativeString>& words, std::string& why) {
    words.clear();
    NativeString word;
    bool inWord = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = text[i];
        if (IsBlank(c)) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else if (c == '"' || c == '\'') {
            const size_t close = text.find(c, i + 1);
            if (close == NativeString::npos) {
                why = std::string("the ") + (c == '"' ? "double" : "single") + " quote at character " +
                      std::to_string(i + 1) + " is not closed";
                return false;
            }
            word.append(text, i + 1, close - i - 1);
            inWord = true;
            i = close;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return true;
}

NativeString WindowsCommandLine(const std::vector<NativeString>& words) {
    NativeString line;
    for (const NativeString& word : words) {
        if (!line.empty()) line += ' ';
        AppendQuoted(line, word);
    }
    return line;
}

}  // namespace packer

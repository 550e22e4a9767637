// A command given as one text (setup-pack's --sign-command) into the words of
// the program it starts, and words back into the one command line a Windows
// program receives. No shell takes part on either side: what a word holds is
// never read again as syntax.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace packer {

// Text as the system gives it to the program: UTF-8 bytes natively, UTF-16
// on Windows.
using NativeString = std::filesystem::path::string_type;

// Splits `text` into words at blanks (spaces, tabs, line ends). Single and
// double quotes keep what they enclose in the word as it is, blanks and the
// other kind of quote included, and may sit inside a word (-n"My App" is
// -nMy App); "" or '' alone is an empty word. A backslash is an ordinary
// character, so that Windows paths are written as they are. False, with
// `why`, for a quote that is not closed.
bool SplitWords(const NativeString& text, std::vector<NativeString>& words, std::string& why);

// The command line from which the C runtime's parser (and CommandLineToArgvW)
// gets exactly `words` back: a word that is empty or holds a blank or a
// double quote goes in double quotes, with \" for a quote inside and the
// backslashes just before a quote or the closing quote doubled.
NativeString WindowsCommandLine(const std::vector<NativeString>& words);

}  // namespace packer

// dependent.dll: a library that imports uzdep.dll, as unzip32.dll would a
// library it came to need.
extern "C" __declspec(dllimport) int DependencyAnswer();
extern "C" __declspec(dllexport) int DependentAnswer() { return DependencyAnswer(); }

// uzdep.dll: a library that another one needs.
extern "C" __declspec(dllexport) int DependencyAnswer() { return 42; }

// A library that one test server imports: found only where the loader
// searches the server's own folder.
extern "C" __declspec(dllexport) int PelmoraServerHelper() { return 0; }

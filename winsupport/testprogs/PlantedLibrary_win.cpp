// A library that the search-order tests plant in the working directory: a
// load by its plain name must not find it once the search is narrowed.
extern "C" __declspec(dllexport) int PelmoraPlantedLibrary() { return 42; }

/* A plain program, built without sanitizers: it loads the unzip library the
 * way any other program would and looks up both entry points.
 *   load_probe LIBRARY */
#include <dlfcn.h>
#include <stdio.h>

int main(int argc, char** argv) {
    static const char* const kEntryPoints[] = {"UzpVersion2", "Wiz_SingleEntryUnzip"};
    if (argc != 2) {
        fprintf(stderr, "usage: load_probe LIBRARY\n");
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        fprintf(stderr, "load_probe: %s\n", dlerror());
        return 1;
    }
    int missing = 0;
    for (size_t i = 0; i < sizeof kEntryPoints / sizeof kEntryPoints[0]; ++i) {
        if (dlsym(library, kEntryPoints[i]) == NULL) {
            fprintf(stderr, "load_probe: %s has no entry point %s\n", argv[1], kEntryPoints[i]);
            missing = 1;
        }
    }
    dlclose(library);
    if (!missing) printf("load_probe: %s loads, both entry points found\n", argv[1]);
    return missing;
}

/* A library that one test board library needs and that the loader will not find. */

__attribute__((visibility("default"))) int BoardDependencyAnswer(void) {
    return 42;
}

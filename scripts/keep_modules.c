/* Preloaded into the sanitizer run only: dlclose keeps every shared object loaded, so that
 * allocations made by driver modules (Mesa's DRI driver, the GLX vendor library), which the
 * X display teardown unloads before the exit-time leak check, still carry a module name that
 * a suppression can match instead of "<unknown module>". */
int dlclose(void *handle) {
    (void)handle;
    return 0;
}

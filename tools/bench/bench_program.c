/* A program file for the refresh benchmark: never run, only its version
   strings and icon are read, so it carries no runtime at all. */
void BenchEntry(void) {}

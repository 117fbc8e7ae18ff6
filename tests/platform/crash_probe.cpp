// Writes through a null pointer on purpose. Its test expects failure; should the test
// runner ever report a crash as success, that test turns red.
#include <cstdio>

int main(int argc, char**)
{
    volatile int* target = nullptr;
    if (argc > 0)
        *target = 1;
    std::puts("not reached");
    return 0;
}

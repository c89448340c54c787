// A library someone else left in a folder a program may start in. Loading it
// runs its constructor, which leaves a mark in the working folder: the mark
// is the proof that a registry entry got it loaded.
#include <cstdio>

namespace {

__attribute__((constructor)) void leaveMark()
{
    if (std::FILE* mark = std::fopen("planted-module-ran", "w"))
        std::fclose(mark);
}

}  // namespace

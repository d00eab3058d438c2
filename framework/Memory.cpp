// Allocation without exceptions: the program cannot go on without memory, so
// a failed allocation ends it instead of throwing.
#include <stdlib.h>

#include <new>

namespace {
void* Allocate(size_t size) {
    void* block = malloc(size ? size : 1);
    if (!block)
        abort();
    return block;
}
} // namespace

void* operator new(size_t size) {
    return Allocate(size);
}
void* operator new[](size_t size) {
    return Allocate(size);
}
void operator delete(void* block) noexcept {
    free(block);
}
void operator delete[](void* block) noexcept {
    free(block);
}
void operator delete(void* block, size_t) noexcept {
    free(block);
}
void operator delete[](void* block, size_t) noexcept {
    free(block);
}

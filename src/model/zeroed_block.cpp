#include "model/zeroed_block.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

// Under AddressSanitizer every block comes from calloc, so that the
// sanitizer guards its edges.
#if defined(__SANITIZE_ADDRESS__)
#define COMPACTOR_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define COMPACTOR_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(__linux__) && !defined(COMPACTOR_ADDRESS_SANITIZER)
#define COMPACTOR_HUGE_PAGES 1
#include <sys/mman.h>
#endif

namespace scenario {

namespace {

#if defined(COMPACTOR_HUGE_PAGES)
constexpr std::size_t huge_page = std::size_t{2} << 20;
#endif

}  // namespace

ZeroedBlock::ZeroedBlock(std::size_t bytes) : size_(bytes) {
    if (bytes == 0) return;
#if defined(COMPACTOR_HUGE_PAGES)
    // Huge pages only help a block that fills at least one of them.
    if (bytes >= huge_page) {
        const std::size_t rounded = (bytes + huge_page - 1) / huge_page * huge_page;
        // Map one huge page more than needed, so that a 2 MiB boundary can
        // start the block; the kernel backs only aligned spans with huge pages.
        const std::size_t mapped = rounded + huge_page;
        void* region = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (region == MAP_FAILED) throw std::bad_alloc();
        auto* start = static_cast<std::byte*>(region);
        const std::size_t skip = (huge_page - reinterpret_cast<std::uintptr_t>(start) % huge_page) % huge_page;
        if (skip > 0) munmap(start, skip);
        const std::size_t tail = mapped - skip - rounded;
        if (tail > 0) munmap(start + skip + rounded, tail);
        data_ = start + skip;
        mapped_ = rounded;
        // Advice only: without transparent huge pages the block still works
        // on ordinary pages.
        madvise(data_, mapped_, MADV_HUGEPAGE);
        return;
    }
#endif
    data_ = static_cast<std::byte*>(std::calloc(bytes, 1));
    if (data_ == nullptr) throw std::bad_alloc();
}

ZeroedBlock::~ZeroedBlock() { release(); }

ZeroedBlock::ZeroedBlock(ZeroedBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

ZeroedBlock& ZeroedBlock::operator=(ZeroedBlock&& other) noexcept {
    if (this != &other) {
        release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        mapped_ = std::exchange(other.mapped_, 0);
    }
    return *this;
}

void ZeroedBlock::release() noexcept {
#if defined(COMPACTOR_HUGE_PAGES)
    if (mapped_ > 0) {
        munmap(data_, mapped_);
        data_ = nullptr;
        size_ = mapped_ = 0;
        return;
    }
#endif
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
}

}  // namespace scenario

#include "model/zeroed_block.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

// Under AddressSanitizer blocks are left exactly as calloc gives them, so that
// the sanitizer guards their edges.
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

ZeroedBlock::ZeroedBlock(std::size_t bytes) : size_(bytes) {
    if (bytes == 0) return;
#if defined(COMPACTOR_HUGE_PAGES)
    // calloc hands out a fresh mapping untouched and clears a reused one, so
    // the block is zero either way. A huge page only backs a 2 MiB-aligned
    // span, so the block starts on such a boundary inside a slightly larger
    // allocation, and the whole span is advised before anything touches it.
    constexpr std::size_t huge_page = std::size_t{2} << 20;
    if (bytes >= huge_page) {
        if (bytes > SIZE_MAX - 2 * huge_page) throw std::bad_alloc();
        const std::size_t rounded = (bytes + huge_page - 1) / huge_page * huge_page;
        allocation_ = std::calloc(rounded + huge_page, 1);
        if (allocation_ == nullptr) throw std::bad_alloc();
        const auto address = reinterpret_cast<std::uintptr_t>(allocation_);
        data_ = static_cast<std::byte*>(allocation_) + (huge_page - address % huge_page) % huge_page;
        // Advice only: without transparent huge pages the block still works
        // on ordinary pages.
        madvise(data_, rounded, MADV_HUGEPAGE);
        return;
    }
#endif
    allocation_ = std::calloc(bytes, 1);
    if (allocation_ == nullptr) throw std::bad_alloc();
    data_ = static_cast<std::byte*>(allocation_);
}

ZeroedBlock::~ZeroedBlock() { std::free(allocation_); }

ZeroedBlock::ZeroedBlock(ZeroedBlock&& other) noexcept
    : allocation_(std::exchange(other.allocation_, nullptr)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

ZeroedBlock& ZeroedBlock::operator=(ZeroedBlock&& other) noexcept {
    if (this != &other) {
        std::free(allocation_);
        allocation_ = std::exchange(other.allocation_, nullptr);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

}  // namespace scenario

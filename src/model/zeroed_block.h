// A block of zero bytes for the large tables of a run (the plan geometry).
// It is taken straight from the system: pages arrive zeroed, so the block is
// not cleared a second time, and on Linux it asks for huge pages, so that a
// table of a few megabytes costs a handful of page faults, not a thousand.
#pragma once

#include <cstddef>

namespace scenario {

class ZeroedBlock {
public:
    ZeroedBlock() = default;
    // Throws std::bad_alloc when the system refuses the memory.
    explicit ZeroedBlock(std::size_t bytes);
    ~ZeroedBlock();
    ZeroedBlock(ZeroedBlock&& other) noexcept;
    ZeroedBlock& operator=(ZeroedBlock&& other) noexcept;
    ZeroedBlock(const ZeroedBlock&) = delete;
    ZeroedBlock& operator=(const ZeroedBlock&) = delete;

    std::byte* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    void release() noexcept;

    std::byte* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t mapped_ = 0;  // bytes mapped from the system; 0 for calloc memory
};

}  // namespace scenario

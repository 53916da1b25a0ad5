// A block of zero bytes for the large tables of a run (the plan geometry).
// Memory fresh from the system is not cleared a second time, and on Linux a
// block of 2 MiB or more asks for huge pages, so that a table of a few
// megabytes costs a handful of page faults, not a thousand.
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
    void* allocation_ = nullptr;  // what calloc gave; data_ lies inside it
    std::byte* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace scenario

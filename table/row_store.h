#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace arb {

// The cleaned rows of a loaded table, kept compactly: all fields in one byte buffer, and per row
// only its place in that buffer and its field count. No field holds TAB, CR, LF or byte 0.
class RowStore {
  public:
    RowStore() = default;

    std::size_t size() const;                      // number of rows
    std::size_t fieldCount(std::size_t row) const; // fields of that row, 0 or more

    // Empties `out`, then fills it with the row's fields in column order. The views stay valid
    // while the store lives and is not modified.
    void fieldsOf(std::size_t row, std::vector<std::string_view>& out) const;

    // The row as the joined text of its fields: every field followed by CR LF.
    std::string joinedRow(std::size_t row) const;

    // Bytes of memory the store holds (buffer and index), for the memory budget.
    std::size_t memoryBytes() const;

    // Appends one row from its fields. Throws std::invalid_argument for a field holding TAB, CR,
    // LF or byte 0, and std::length_error once the store would pass 4 GiB of field text.
    void appendRow(const std::vector<std::string_view>& fields);

  private:
    friend class RowStoreBuilder; // the loader, which hands over its cleaned file buffer whole

    // Fields of all rows, a row's fields joined by TAB, rows back to back. 8 bytes of index per
    // row: offsets are 32-bit since loaded files stay below 2 GiB.
    std::string bytes_;
    std::vector<std::uint32_t> start_;      // start of row r in bytes_; start_[size()] is the end
    std::vector<std::uint32_t> fieldCount_; // a row of no field and one of one empty field differ
};

} // namespace arb

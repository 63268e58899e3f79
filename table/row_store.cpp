#include "row_store.h"

#include <limits>
#include <stdexcept>

namespace arb {

std::size_t RowStore::size() const {
    return fieldCount_.size();
}

std::size_t RowStore::fieldCount(std::size_t row) const {
    return fieldCount_.at(row);
}

void RowStore::fieldsOf(std::size_t row, std::vector<std::string_view>& out) const {
    out.clear();
    const std::size_t count = fieldCount(row);
    if (count == 0)
        return;
    const std::string_view text(bytes_.data() + start_[row], start_[row + 1] - start_[row]);
    std::size_t from = 0;
    for (std::size_t f = 0; f + 1 < count; ++f) {
        const std::size_t tab = text.find('\t', from);
        out.push_back(text.substr(from, tab - from));
        from = tab + 1;
    }
    out.push_back(text.substr(from));
}

std::string RowStore::joinedRow(std::size_t row) const {
    std::vector<std::string_view> fields;
    fieldsOf(row, fields);
    std::string joined;
    joined.reserve(start_[row + 1] - start_[row] + 2);
    for (std::string_view f : fields) {
        joined += f;
        joined += "\r\n";
    }
    return joined;
}

std::size_t RowStore::memoryBytes() const {
    return sizeof(*this) + bytes_.capacity() + start_.capacity() * sizeof(start_[0]) +
           fieldCount_.capacity() * sizeof(fieldCount_[0]);
}

void RowStore::appendRow(const std::vector<std::string_view>& fields) {
    std::size_t added = fields.empty() ? 0 : fields.size() - 1;
    for (std::string_view f : fields) {
        if (f.find_first_of(std::string_view("\t\r\n\0", 4)) != std::string_view::npos)
            throw std::invalid_argument("A stored field cannot hold TAB, CR, LF or byte 0.");
        added += f.size();
    }
    if (added > std::numeric_limits<std::uint32_t>::max() - bytes_.size())
        throw std::length_error("The row store holds at most 4 GiB of field text.");

    if (start_.empty())
        start_.push_back(0);
    for (std::size_t f = 0; f < fields.size(); ++f) {
        if (f > 0)
            bytes_ += '\t';
        bytes_ += fields[f];
    }
    start_.push_back(static_cast<std::uint32_t>(bytes_.size()));
    fieldCount_.push_back(static_cast<std::uint32_t>(fields.size()));
}

} // namespace arb

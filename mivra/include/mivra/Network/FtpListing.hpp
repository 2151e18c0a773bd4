#pragma once

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>

namespace mivra
{
/// The names of a directory listing, in the order the server sent them, as views into one block of
/// text that holds each name followed by a line feed. A listing of millions of short names costs
/// about its own size this way, where a string for each name would cost several times more.
class FtpListing
{
public:
    /// Walks the names front to back; valid while the listing lives unchanged.
    class Iterator
    {
    public:
        /// The standard iterator traits: a forward iterator over names.
        ///@{
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = const std::string_view*;
        using reference = std::string_view;
        ///@}

        /// An iterator that points at nothing (compares equal only to another such iterator).
        Iterator() = default;
        /// The name the iterator points at.
        ///@{
        std::string_view operator*() const { return m_name; }
        const std::string_view* operator->() const { return &m_name; }
        ///@}
        /// Moves to the next name (prefix and postfix forms).
        ///@{
        Iterator& operator++();
        Iterator operator++(int);
        ///@}
        /// Whether two iterators point at the same name of the same listing.
        ///@{
        friend bool operator==(const Iterator& a, const Iterator& b) { return a.m_name.data() == b.m_name.data(); }
        friend bool operator!=(const Iterator& a, const Iterator& b) { return !(a == b); }
        ///@}

    private:
        friend class FtpListing;
        Iterator(const char* position, const char* end);

        std::string_view m_name;
        const char* m_end{};
    };

    /// An empty listing.
    FtpListing() = default;
    /// A listing as it arrived: lines end in CRLF or LF (the last one may lack it); empty lines are
    /// skipped. The text is rearranged in place, costing nothing more.
    explicit FtpListing(std::string text);

    /// The first name, and the end of the names.
    ///@{
    [[nodiscard]] Iterator begin() const;
    [[nodiscard]] Iterator end() const;
    ///@}
    /// The number of names.
    [[nodiscard]] std::size_t size() const { return m_count; }
    /// Whether the listing holds no name.
    [[nodiscard]] bool empty() const { return m_count == 0; }

private:
    std::string m_text;
    std::size_t m_count{};
};
} // namespace mivra

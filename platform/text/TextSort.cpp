#include "platform/text/AsciiCollationTable.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

namespace {

// Comparing names costs about twenty million collations at a million names, even when the
// ASCII table settles most of them. Sorting by the table's symbols instead reads each name
// a few times, four symbols at a time, and never enters the collator. Where the
// symbols of two neighbours first differ in ranks, their order is the collation's; where a
// literal differs, the sorted list may be out of order, so it is cut into runs there and
// the runs are merged by the collation. Names in one script mostly form a few long runs that
// merge with a handful of comparisons.
class SymbolSort {
public:
    SymbolSort(const char* bytes, const AsciiCollationTable& table)
        : m_bytes(bytes)
        , m_table(table) {}

    std::string_view view(const TextRef& ref) const {
        return {m_bytes + ref.offset, static_cast<std::size_t>(ref.size)};
    }

    std::uint16_t symbol(const TextRef& ref, std::size_t depth) const {
        if (!ref.plain)
            return m_table.symbolAt(view(ref), depth);
        if (depth >= ref.size)
            return AsciiCollationTable::End;
        return m_table.plainRank(static_cast<unsigned char>(m_bytes[ref.offset + depth]));
    }

    // Four symbols from depth on as one number that orders as they do; past the end of a
    // text every symbol is End.
    std::uint64_t symbols(const TextRef& ref, std::size_t depth) const {
        std::uint64_t key = 0;
        if (ref.plain) {
            const auto* text = reinterpret_cast<const unsigned char*>(m_bytes + ref.offset);
            for (std::size_t k = depth; k < depth + kStep; ++k)
                key = key << 16 | (k < ref.size ? m_table.plainRank(text[k]) : 0u);
        } else {
            for (std::size_t k = depth; k < depth + kStep; ++k)
                key = key << 16 | m_table.symbolAt(view(ref), k);
        }
        return key;
    }

    // A text with the next four of its symbols, taken once for every partition at one depth:
    // the names lie all over memory, and the partitions touch each of them many times.
    struct Keyed {
        std::uint64_t key;
        TextRef ref;
    };

    // Multikey quicksort from depth on: three-way partitions by four symbols at a time, the
    // equal part going on with the next four, so that a long shared start costs few passes.
    // The largest part is taken in the loop, so the stack stays logarithmic however long the
    // names. The keys must hold the symbols at depth.
    void sortBySymbols(Keyed* items, std::size_t count, std::size_t depth) const {
        while (count > kSmall) {
            const std::uint64_t pivot = medianKey(items, count);
            std::size_t less = 0, i = 0, greater = count;
            while (i < greater) {
                const std::uint64_t key = items[i].key;
                if (key < pivot)
                    std::swap(items[less++], items[i++]);
                else if (key > pivot)
                    std::swap(items[i], items[--greater]);
                else
                    ++i;
            }
            struct Part {
                Keyed* items;
                std::size_t count;
                std::size_t depth;
            };
            Part parts[3] = {{items, less, depth},
                             {items + less, greater - less, depth + kStep},
                             {items + greater, count - greater, depth}};
            if ((pivot & 0xFFFF) == AsciiCollationTable::End)
                parts[1].count = 0; // names that ended here are equal
            else
                takeKeys(parts[1].items, parts[1].count, parts[1].depth);
            std::sort(std::begin(parts), std::end(parts),
                      [](const Part& a, const Part& b) { return a.count < b.count; });
            sortBySymbols(parts[0].items, parts[0].count, parts[0].depth);
            sortBySymbols(parts[1].items, parts[1].count, parts[1].depth);
            items = parts[2].items;
            count = parts[2].count;
            depth = parts[2].depth;
        }
        for (std::size_t i = 1; i < count; ++i) {
            for (std::size_t j = i; j > 0 && keyedBefore(items[j], items[j - 1], depth); --j)
                std::swap(items[j], items[j - 1]);
        }
    }

    void takeKeys(Keyed* items, std::size_t count, std::size_t depth) const {
        for (std::size_t i = 0; i < count; ++i) {
            if (i + kAhead < count)
                prefetch(items[i + kAhead].ref, depth);
            items[i].key = symbols(items[i].ref, depth);
        }
    }

    // Whether ranks (or one name ending) decide between two names, rather than a literal.
    bool ranksDecide(const TextRef& a, const TextRef& b) const {
        if (a.plain && b.plain)
            return true; // nothing but ranks
        const std::string_view x = view(a);
        const std::string_view y = view(b);
        const std::size_t common = std::min(x.size(), y.size());
        std::size_t same = 0;
        while (same < common && x[same] == y[same])
            ++same;
        // A symbol depends on the bytes beside it, so the one before the first different
        // byte may differ too.
        for (std::size_t depth = same > 0 ? same - 1 : 0;; ++depth) {
            const std::uint16_t s = symbol(a, depth);
            const std::uint16_t t = symbol(b, depth);
            if (s != t)
                return s < AsciiCollationTable::Literal && t < AsciiCollationTable::Literal;
            if (s == AsciiCollationTable::End)
                return true;
        }
    }

private:
    static constexpr std::size_t kSmall = 12;
    static constexpr std::size_t kAhead = 8;
    static constexpr std::size_t kStep = 4;

    void prefetch(const TextRef& ref, std::size_t depth) const {
        __builtin_prefetch(m_bytes + ref.offset + std::min<std::size_t>(depth, ref.size));
    }

    static std::uint64_t medianKey(const Keyed* items, std::size_t count) {
        std::uint64_t a = items[0].key;
        std::uint64_t b = items[count / 2].key;
        std::uint64_t c = items[count - 1].key;
        if (a > b)
            std::swap(a, b);
        if (b > c)
            std::swap(b, c);
        return a > b ? a : b;
    }

    bool keyedBefore(const Keyed& a, const Keyed& b, std::size_t depth) const {
        if (a.key != b.key)
            return a.key < b.key;
        if ((a.key & 0xFFFF) == AsciiCollationTable::End)
            return false;
        for (depth += kStep;; depth += kStep) {
            const std::uint64_t s = symbols(a.ref, depth);
            const std::uint64_t t = symbols(b.ref, depth);
            if (s != t)
                return s < t;
            if ((s & 0xFFFF) == AsciiCollationTable::End)
                return false;
        }
    }

    const char* m_bytes;
    const AsciiCollationTable& m_table;
};

// The first position in [begin, end) where holds() is false, for a holds() that is true on a
// prefix: steps of growing size, then halving, so that a long stretch costs a logarithm.
template <typename Holds>
std::size_t gallop(std::size_t begin, std::size_t end, Holds holds) {
    std::size_t low = begin;
    std::size_t high = begin;
    std::size_t step = 1;
    while (high < end && holds(high)) {
        low = high + 1;
        high = std::min(end, high + step);
        step *= 2;
    }
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (holds(middle))
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// Merges the sorted ranges [low, middle) and [middle, high) of items.
template <typename Less>
void mergeRuns(TextRef* items, std::size_t low, std::size_t middle, std::size_t high,
               std::vector<TextRef>& buffer, Less less) {
    if (!less(items[middle], items[middle - 1]))
        return;
    // What already stands in its place at either end stays there.
    low = gallop(low, middle, [&](std::size_t i) { return !less(items[middle], items[i]); });
    const TextRef lastLeft = items[middle - 1];
    high = gallop(middle, high, [&](std::size_t i) { return less(items[i], lastLeft); });

    buffer.assign(items + low, items + middle);
    std::size_t out = low;
    std::size_t left = 0;
    std::size_t right = middle;
    while (left < buffer.size() && right < high) {
        const TextRef& next = buffer[left];
        const std::size_t rightEnd =
            gallop(right, high, [&](std::size_t i) { return less(items[i], next); });
        out = static_cast<std::size_t>(std::copy(items + right, items + rightEnd, items + out) -
                                       items);
        right = rightEnd;
        if (right == high)
            break;
        const TextRef& bound = items[right];
        const std::size_t leftEnd =
            gallop(left, buffer.size(), [&](std::size_t i) { return !less(bound, buffer[i]); });
        out = static_cast<std::size_t>(
            std::copy(buffer.begin() + static_cast<std::ptrdiff_t>(left),
                      buffer.begin() + static_cast<std::ptrdiff_t>(leftEnd), items + out) -
            items);
        left = leftEnd;
    }
    std::copy(buffer.begin() + static_cast<std::ptrdiff_t>(left), buffer.end(), items + out);
}

// Copies the texts into a new buffer in the order of the references: whoever reads the list
// front to back then never waits for memory at each name.
void layOut(std::string& bytes, TextRef* first, TextRef* last) {
    constexpr std::size_t kAhead = 16;
    std::string sorted;
    sorted.reserve(bytes.size());
    for (TextRef* ref = first; ref != last; ++ref) {
        if (last - ref > static_cast<std::ptrdiff_t>(kAhead))
            __builtin_prefetch(bytes.data() + ref[kAhead].offset);
        const std::size_t offset = sorted.size();
        sorted.append(bytes, ref->offset, ref->size);
        ref->offset = offset;
    }
    bytes = std::move(sorted);
}

} // namespace

void sortIgnoringCase(std::string& bytes, TextRef* first, TextRef* last) {
    const auto count = static_cast<std::size_t>(last - first);
    if (count < 2)
        return;
    const AsciiCollationTable* table = ignoringCaseTable();
    if (!table) {
        std::stable_sort(first, last, [&bytes](const TextRef& a, const TextRef& b) {
            return compareText({bytes.data() + a.offset, static_cast<std::size_t>(a.size)},
                               {bytes.data() + b.offset, static_cast<std::size_t>(b.size)},
                               true) < 0;
        });
        layOut(bytes, first, last);
        return;
    }

    {
        const SymbolSort sort(bytes.data(), *table);
        std::vector<SymbolSort::Keyed> keyed(count);
        for (std::size_t i = 0; i < count; ++i) {
            keyed[i].ref = first[i];
            keyed[i].ref.plain = table->plain(sort.view(first[i]));
        }
        sort.takeKeys(keyed.data(), count, 0);
        sort.sortBySymbols(keyed.data(), count, 0);
        for (std::size_t i = 0; i < count; ++i)
            first[i] = keyed[i].ref;
    }
    // What follows reads neighbours: it finds them next to each other in memory.
    layOut(bytes, first, last);

    const SymbolSort sort(bytes.data(), *table);
    std::vector<std::size_t> runs{0};
    for (std::size_t i = 1; i < count; ++i) {
        if (!sort.ranksDecide(first[i - 1], first[i]))
            runs.push_back(i);
    }
    runs.push_back(count);
    const char* laidOut = bytes.data();
    const auto less = [laidOut](const TextRef& a, const TextRef& b) {
        return compareText({laidOut + a.offset, static_cast<std::size_t>(a.size)},
                           {laidOut + b.offset, static_cast<std::size_t>(b.size)}, true) < 0;
    };
    std::vector<TextRef> buffer;
    while (runs.size() > 2) {
        std::size_t kept = 1;
        for (std::size_t r = 0; r + 2 < runs.size(); r += 2) {
            mergeRuns(first, runs[r], runs[r + 1], runs[r + 2], buffer, less);
            runs[kept++] = runs[r + 2];
        }
        if (runs.size() % 2 == 0) // an odd number of runs: the last waits for the next round
            runs[kept++] = runs.back();
        runs.resize(kept);
    }
}

} // namespace platform

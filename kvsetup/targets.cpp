#include "kvsetup/targets.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <iterator>
#include <map>

namespace kvsetup {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool IsUsable(std::uint64_t a) {
    return a != 0 && a != 0xFFFFFFFF && (a >> 28) != 0xE;
}

// Disjoint spans of addresses, first -> last, adjacent ones merged.
using TSpans = std::map<std::uint32_t, std::uint32_t>;

void AddSpan(TSpans& spans, std::uint32_t first, std::uint32_t last) {
    auto it = spans.upper_bound(first);
    if (it != spans.begin() && std::uint64_t{std::prev(it)->second} + 1 >= first) {
        --it;
        first = it->first;
        last = std::max(last, it->second);
        it = spans.erase(it);
    }
    while (it != spans.end() && it->first <= std::uint64_t{last} + 1) {
        last = std::max(last, it->second);
        it = spans.erase(it);
    }
    spans.emplace(first, last);
}

}  // namespace

bool ParseDotted(std::string_view text, std::uint32_t* address) {
    text = Trim(text);
    std::uint32_t value = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != '.') return false;
            text.remove_prefix(1);
        }
        std::size_t digits = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
            ++digits;
        if (digits == 0 || digits > 3) return false;
        unsigned number = 0;
        std::from_chars(text.data(), text.data() + digits, number);
        if (number > 255) return false;
        value = (value << 8) | number;
        text.remove_prefix(digits);
    }
    if (!text.empty()) return false;
    *address = value;
    return true;
}

std::vector<std::uint32_t> ParseTargets(std::string_view text, std::string* error) {
    if (error) error->clear();
    std::vector<std::uint32_t> targets;
    // The addresses of the items before: each was taken, skipped or already there. Kept as spans,
    // so a long range costs no more than its own addresses.
    TSpans examinedSpans;
    // Bounds the work on hostile texts (ranges of skipped addresses, endless repeats) as well.
    constexpr std::size_t kMaxExamined = 4 * kMaxTargets;
    std::size_t examined = 0;
    auto full = [&] { return targets.size() >= kMaxTargets || examined >= kMaxExamined; };
    while (!text.empty() && !full()) {
        const std::size_t comma = text.find(',');
        const std::string_view item = Trim(text.substr(0, comma));
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        const std::size_t dash = item.find('-');
        std::uint32_t first = 0, last = 0;
        bool parsed = false;
        if (dash == std::string_view::npos) {
            parsed = ParseDotted(item, &first);
            last = first;
        } else {
            parsed = ParseDotted(item.substr(0, dash), &first) &&
                     ParseDotted(item.substr(dash + 1), &last) && first <= last;
        }
        if (!parsed) {
            if (error && error->empty() && !item.empty())
                *error = "\"" + std::string(item.substr(0, 64)) +
                         "\" is neither an IPv4 address nor a range first-last";
            continue;
        }
        // The addresses in order, each counted as examined, until a bound is reached.
        const std::uint64_t end =
            std::min<std::uint64_t>(last, std::uint64_t{first} + (kMaxExamined - examined) - 1);
        std::uint64_t a = first;
        while (a <= end && targets.size() < kMaxTargets) {
            const auto next = examinedSpans.upper_bound(static_cast<std::uint32_t>(a));
            if (next != examinedSpans.begin() && std::prev(next)->second >= a) {
                a = std::uint64_t{std::prev(next)->second} + 1;  // seen in an earlier item
                continue;
            }
            const std::uint64_t fresh =
                next == examinedSpans.end() ? end : std::min<std::uint64_t>(end, next->first - 1);
            for (; a <= fresh && targets.size() < kMaxTargets; ++a)
                if (IsUsable(a)) targets.push_back(static_cast<std::uint32_t>(a));
        }
        a = std::min(a, end + 1);
        examined += static_cast<std::size_t>(a - first);
        if (a > first) AddSpan(examinedSpans, first, static_cast<std::uint32_t>(a - 1));
    }
    return targets;
}

std::vector<std::uint32_t> CurrentTargets(std::string* error) {
    if (const char* env = std::getenv("KVSETUP_TARGETS")) {
        std::vector<std::uint32_t> targets = ParseTargets(env, error);
        if (error && !error->empty()) *error = "KVSETUP_TARGETS: " + *error;
        return targets;
    }
    std::vector<std::uint32_t> targets;
    for (std::uint32_t a = kDefaultFirst; a <= kDefaultLast; ++a)
        targets.push_back(a);
    return targets;
}

bool IsPermitted(std::uint32_t address, const std::vector<std::uint32_t>& targets) {
    if ((address >> 24) == 127) return true;
    return std::find(targets.begin(), targets.end(), address) != targets.end();
}

}  // namespace kvsetup

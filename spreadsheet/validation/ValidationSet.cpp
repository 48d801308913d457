// Rules hold rectangles; removing part of a rule's cells subtracts rectangles, never per-cell work.
#include "spreadsheet/validation/ValidationSet.h"

#include <algorithm>

namespace qv::sheet {

bool ValidationRule::sameSettings(const ValidationRule& o) const {
    return type == o.type && alert == o.alert && op == o.op && formula1 == o.formula1 &&
           formula2 == o.formula2 && errorTitle == o.errorTitle && errorMessage == o.errorMessage &&
           inputTitle == o.inputTitle && inputMessage == o.inputMessage && ignoreBlank == o.ignoreBlank &&
           inCellDropdown == o.inCellDropdown && showError == o.showError && showInput == o.showInput;
}

const ValidationRule* ValidationSet::find(long row, long col) const {
    for (const auto& rule : mRules)
        for (const auto& a : rule.areas)
            if (a.contains(row, col)) return &rule;
    return nullptr;
}

bool ValidationSet::intersects(const std::vector<Rect>& areas) const {
    for (const auto& rule : mRules)
        for (const auto& a : rule.areas)
            for (const auto& b : areas)
                if (intersect(a, b)) return true;
    return false;
}

void ValidationSet::remove(const std::vector<Rect>& areas) {
    for (auto& rule : mRules) {
        std::vector<Rect> kept = rule.areas;
        for (const auto& cut : areas) {
            std::vector<Rect> next;
            for (const auto& a : kept)
                for (const auto& piece : subtract(a, cut))
                    next.push_back(piece);
            kept.swap(next);
        }
        rule.areas.swap(kept);
    }
    std::erase_if(mRules, [](const ValidationRule& r) { return r.areas.empty(); });
}

void ValidationSet::modify(const std::vector<Rect>& areas,
                           const std::function<void(ValidationRule&)>& change) {
    std::vector<ValidationRule> splits;
    for (auto& rule : mRules) {
        std::vector<Rect> inside;
        for (const auto& a : rule.areas)
            for (const auto& b : areas)
                if (auto cut = intersect(a, b)) inside.push_back(*cut);
        if (inside.empty()) continue;
        long long covered = 0, total = 0;
        for (const auto& r : inside)
            covered += r.cells();
        for (const auto& r : rule.areas)
            total += r.cells();
        if (covered == total) {
            change(rule);
            continue;
        }
        ValidationRule part = rule;
        part.areas = inside;
        change(part);
        splits.push_back(std::move(part));
    }
    if (splits.empty()) return;
    std::vector<Rect> moved;
    for (const auto& s : splits)
        moved.insert(moved.end(), s.areas.begin(), s.areas.end());
    remove(moved);
    for (auto& s : splits)
        mRules.push_back(std::move(s));
}

bool shiftRectInsert(Rect& r, bool rows, long at, long count, bool growBelow) {
    long& lo = rows ? r.r1 : r.c1;
    long& hi = rows ? r.r2 : r.c2;
    const long limit = rows ? MaxRow : MaxColumn;
    if (rows ? r.entireColumns() : r.entireRows()) return true;
    if (lo >= at) {
        lo += count;
        hi += count;
    } else if (hi >= at || (growBelow && hi == at - 1)) {
        hi += count;
    }
    if (lo > limit) return false;
    hi = std::min(hi, limit);
    return true;
}

bool shiftRectDelete(Rect& r, bool rows, long first, long count) {
    long& lo = rows ? r.r1 : r.c1;
    long& hi = rows ? r.r2 : r.c2;
    if (rows ? r.entireColumns() : r.entireRows()) return true;
    const long last = first + count - 1;
    if (hi < first) return true;
    if (lo > last) {
        lo -= count;
        hi -= count;
        return true;
    }
    if (lo >= first && hi <= last) return false;
    long removed = std::min(hi, last) - std::max(lo, first) + 1;
    if (lo > first) lo = first;
    hi -= removed;
    return true;
}

void ValidationSet::insertLines(bool rows, long at, long count) {
    for (auto& rule : mRules) {
        std::vector<Rect> kept;
        for (auto r : rule.areas)
            if (shiftRectInsert(r, rows, at, count, true)) kept.push_back(r);
        rule.areas.swap(kept);
    }
    std::erase_if(mRules, [](const ValidationRule& r) { return r.areas.empty(); });
}

void ValidationSet::deleteLines(bool rows, long first, long count) {
    for (auto& rule : mRules) {
        std::vector<Rect> kept;
        for (auto r : rule.areas)
            if (shiftRectDelete(r, rows, first, count)) kept.push_back(r);
        rule.areas.swap(kept);
    }
    std::erase_if(mRules, [](const ValidationRule& r) { return r.areas.empty(); });
}

} // namespace qv::sheet

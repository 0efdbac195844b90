#pragma once
// The five sync options of a profile: which copy and delete passes a synchronisation makes.
// One table ties each option to its key in the profile file (section [0]) and to its button on
// the main window's fourth tool bar; adding an option means adding a row here.

#include <array>
#include <cstddef>

enum class SyncOption : std::size_t {
    CopyToRight = 0,    // copy folder 1 to folder 2 ("SO0", button "#0")
    CopyToLeft = 1,     // copy folder 2 to folder 1 ("SO1", button "#1")
    Reverse = 2,        // reverse direction: stored and shown, no pass of its own ("SO2", "#2")
    DeleteInLeft = 3,   // delete in folder 1 what folder 2 lacks ("SO3", "#3")
    DeleteInRight = 4,  // delete in folder 2 what folder 1 lacks ("SO4", "#4")
};

struct SyncOptionInfo {
    SyncOption option;
    const char* profileKey;    // key in section [0] of a profile file
    int toolbarButton;             // the digit of the button key "#d" on tool bar 3
};

inline constexpr std::array<SyncOptionInfo, 5> kSyncOptionTable{{
    {SyncOption::CopyToRight, "SO0", 0},
    {SyncOption::CopyToLeft, "SO1", 1},
    {SyncOption::Reverse, "SO2", 2},
    {SyncOption::DeleteInLeft, "SO3", 3},
    {SyncOption::DeleteInRight, "SO4", 4},
}};

// The copy pass from side s (0 left, 1 right) and the delete pass of one-sided entries on side s.
constexpr SyncOption CopyFrom(int s) { return s == 0 ? SyncOption::CopyToRight : SyncOption::CopyToLeft; }
constexpr SyncOption DeleteOneSidedOn(int s) { return s == 0 ? SyncOption::DeleteInLeft : SyncOption::DeleteInRight; }

// The states of the five options, indexed by SyncOption (the plain index of the table row still
// works for code that walks the table).
struct SyncOptionSet : std::array<bool, 5> {
    constexpr SyncOptionSet() : std::array<bool, 5>{} {}
    // The five states in the order of the table (tools and tests that list them plainly).
    constexpr SyncOptionSet(const std::array<bool, 5>& states) : std::array<bool, 5>(states) {}
    constexpr SyncOptionSet(bool copyToRight, bool copyToLeft, bool reverse, bool deleteInLeft, bool deleteInRight)
        : std::array<bool, 5>{copyToRight, copyToLeft, reverse, deleteInLeft, deleteInRight} {}

    using std::array<bool, 5>::operator[];
    bool operator[](SyncOption o) const { return std::array<bool, 5>::operator[](static_cast<std::size_t>(o)); }
    bool& operator[](SyncOption o) { return std::array<bool, 5>::operator[](static_cast<std::size_t>(o)); }
    bool CopiesFrom(int s) const { return (*this)[CopyFrom(s)]; }
    bool DeletesOneSidedOn(int s) const { return (*this)[DeleteOneSidedOn(s)]; }
};

// The state of one option in a plain array of the five (a set handed in as std::array).
constexpr bool IsOn(const std::array<bool, 5>& set, SyncOption o) { return set[static_cast<std::size_t>(o)]; }

// The options before any profile is loaded: copy both ways, delete nothing.
inline constexpr SyncOptionSet kStartSyncOptions{true, true, false, false, false};

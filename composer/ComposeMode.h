#pragma once

// What a composer holds: a new mail, or a stored mail opened for changes (stored again, it
// replaces the old record).
enum class ComposeMode {
    New,
    Modify,
};

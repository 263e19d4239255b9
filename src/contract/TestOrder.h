#pragma once

#include <QList>
#include <QString>
#include <optional>

// Which rated tests a results log's blocks are. A log names no tests: a run
// of all seven in their standard order (every run the front end starts)
// says nothing, and the engine's conditions line (the log's line 5, free
// text for every reader) ends with ", testy 6,5,4,3,2,1,0" for a run of any
// other tests or order, so that no reader takes its blocks for the standard
// ones. An older log names nothing either way. Pure functions, no state.
namespace TestOrder {

// What the conditions line adds for these tests in this order: empty for the
// seven in their standard order, ", testy 5,2" otherwise.
QString ConditionsNote(const QList<int>& tests);

// The tests the conditions line names, in the blocks' order; empty when it
// names none (the standard order, or a log written before the line named
// them).
std::optional<QList<int>> Named(const QString& conditions);

} // namespace TestOrder

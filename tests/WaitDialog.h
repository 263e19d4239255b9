#pragma once

class Vysledky_Form;

// The wait dialog as the user meets it after "Spustit".
namespace WaitDialog {

// Shows the wait dialog and presses "Zobrazit výsledky", as the user reaches
// the results; the results window, or null when the evaluation made none
// (its message is then among the recorded ones).
Vysledky_Form* showResults();

} // namespace WaitDialog

#pragma once

#include "AddStep.h"

class frmMain;

// Adding a code to the main window's library and tree, for the New-code
// dialog and for dropped files alike.
namespace LibraryAdd {

// Runs the Add step, answering its questions with `answer`; a saved code
// is hung into the tree, or moved there when the tree lists it, and the
// count in the status bar is updated. *treeError tells a code that was
// saved but could not be placed in the tree.
AddStep::Outcome addCode(
    frmMain *window, const AddStep &step, const AddStep::Answer &answer, QString *treeError);

} // namespace LibraryAdd

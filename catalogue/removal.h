#pragma once

class Workspace;

// The remove button (and Backspace in the list): deletes the row of every selected entry
// among the rows of the current view, each deletion committed at once, then refills the list
// once. A failing deletion is reported; the rows deleted before it stay deleted.
void cmdRemove_Click(Workspace &workspace);

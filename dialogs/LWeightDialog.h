// The handler of korDialog_LWeightDialog: the user picks a line weight.
#pragma once

int LWeightDialog();
// Runs the line-weight dialog with entry `index` preselected; the chosen line weight, or -1
// after Cancel.
int ShowLineWeightDialog(int index);

// Transient stepping, time levels and the model clock.
#pragma once

int TransientStep();
void ShiftTimeLevel();
void RestorePreviousLevel();
// StartDate advanced by the whole seconds of ModelTime: year, month, day, hour, minute, second.
void ComputeCalendarDate(int date[6]);

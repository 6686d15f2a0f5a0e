// The one start-up call of the component model: registers every standard
// class by name (for the form reader) and the identifier tables of the
// integer types ("clRed", "crHourGlass", "GB2312_CHARSET"). A library or host
// calls it once, before reading any form resource; calling it again is
// harmless. Later layers register their own classes after it.
#pragma once

void RegisterStandardClasses();

// The start-up registration of the base forms: the classes their form
// resources create (code converter, language controllers, glyph buttons),
// the two form classes with the glyph rules, and the embedded resources.
// Call it after RegisterStandardClasses; calling it again is harmless.
#pragma once

void RegisterBaseFormClasses();

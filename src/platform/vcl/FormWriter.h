// The form writer: the reverse of the form reader, for tests and tools that
// need a root's current state as form-description text (a round trip, a
// resource made from components built in code). It writes the root as one
// plain "object" (no ancestor comparison: an inherited form comes out whole),
// its stored published properties that differ from their defaults, and the
// components the root owns, nested under their parent components; a
// collection property is written as "< item ... end >", each item with its
// stored properties. The text is GBK bytes, as the library holds resources;
// a byte string that is not valid GBK, an event bound to something other
// than a published method of the root, or a value the format cannot express
// raises EInvalidOperation naming the property path.
#pragma once

#include "platform/rtl/Types.h"

class TComponent;

AnsiString WriteComponentResource(TComponent* root);

// The form reader: turns form resources (the parsed value tree of
// DfmParser.h, or an embedded resource by name) into components under a
// root. It creates each nested object by registered class name with the
// root as owner, names it (which binds the root's published field), places
// it under its enclosing object through SetParentComponent before setting
// its properties, sets properties in file order through the type
// information, binds events to the root's published methods, and resolves
// component references only after every resource of the root is read, so a
// reference may name a component declared further down.
//
// A collection property ("Columns = < item ... end >", Collection.h) is
// cleared and filled inside one BeginUpdate/EndUpdate: each item is Add()ed
// and given its properties in file order, paths reading
// "TfrmTest.ListView1.Columns[1].Width". References inside items are fixed
// up with the others, after the whole root is read.
//
// One reading session covers a derived form's whole chain of resources,
// oldest ancestor first: the root and every component read carry
// csLoading|csReading until the end; then references are fixed up,
// csReading is cleared everywhere, and Loaded() runs once per component in
// the order the components were first read, the root last, so that the
// root's Loaded sees children that have finished loading.
//
// Every unknown class, property, value, reference or handler raises
// EReadError "file:line:column: Path: message", the path following the
// nesting of the resource ("TfrmTest.Panel1.Edit1.Font.Hight: unknown
// property"). An error a setter raises is reported the same way, with the
// setter's message. After an error the components read so far stay owned by
// the root (the caller frees the root); csReading is cleared, Loaded is not
// called.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/vcl/DfmParser.h"

class TComponent;
class TClass;

// Reads the named embedded resource (Resources.h) into root. When its top
// object is "inherited", the resources of the ancestors of its class are read
// first, from the oldest ancestor that has one (a resource is named after its
// class); an "inherited" resource without any ancestor resource is an error.
// The class of the top object must be root's class or one of its ancestors.
// EReadError when no resource has that name.
void ReadComponentResource(TComponent* root, std::string_view resourceName);

// What a form calls once it is fully constructed: reads the resource of the
// nearest class of root's chain that has one (with its ancestors, as
// above). Returns false, reading nothing, when no class in the chain has a
// resource.
bool InitInheritedComponent(TComponent* root);

// Reads parsed resources into root in one session, in the order given
// (ancestor first). Each top object's class must be root's class or an
// ancestor of it.
void ReadRootComponent(TComponent* root, const TDfmDocument& doc);
void ReadRootComponents(TComponent* root, std::span<const TDfmDocument* const> docs);

// The check behind the test that loads every embedded form: for each
// registered resource, creates an instance of the class it is named after,
// reads its resources (unless constructing the instance already did, as a
// form's does: an instance with a name after construction counts as read) and
// reports anything unresolved: a resource without a registered component
// class, a read error, or a published component field of the root class
// left unbound. Returns one message per problem; empty means all is well.
std::vector<AnsiString> VerifyRegisteredResources();

// The typed events of the component model and the small types their
// handlers take: shift state, mouse button, close action. A handler bound
// by name from a form resource is checked against the event's signature
// only when the event is called.
#pragma once

#include <cstdint>

#include "platform/vcl/Method.h"
#include "platform/vcl/TypInfo.h"

KULR_ENUM(TShiftStateItem, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble)
KULR_SET(TShiftState, TShiftStateItem);

KULR_ENUM(TMouseButton, mbLeft, mbRight, mbMiddle)

KULR_ENUM(TCloseAction, caNone, caHide, caFree, caMinimize)

// void(TObject* Sender)
KULR_EVENT(TNotifyEvent, TObject*);
// void(TObject* Sender, uint16_t& Key, TShiftState Shift); Key := 0 consumes it.
KULR_EVENT(TKeyEvent, TObject*, uint16_t&, TShiftState);
// void(TObject* Sender, char& Key); Key := 0 consumes it.
KULR_EVENT(TKeyPressEvent, TObject*, char&);
// void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
KULR_EVENT(TMouseEvent, TObject*, TMouseButton, TShiftState, int, int);
// void(TObject* Sender, TShiftState Shift, int X, int Y)
KULR_EVENT(TMouseMoveEvent, TObject*, TShiftState, int, int);
// void(TObject* Sender, TCloseAction& Action)
KULR_EVENT(TCloseEvent, TObject*, TCloseAction&);
// void(TObject* Sender, bool& CanClose)
KULR_EVENT(TCloseQueryEvent, TObject*, bool&);

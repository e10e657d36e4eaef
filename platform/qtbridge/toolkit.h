// The interface identifiers of the original GUI toolkit's form, list box and
// combo box. An automation client tells the kind of a control object it was
// given by asking it for one of these (QueryInterface); the members are then
// reached through IDispatch by name. No Qt here: AVOLE, which must not link
// Qt, includes this header as well as the bridge (widget_object.h).
#pragma once

#include "platform/com/guid.h"

namespace qb::toolkit {

// {E9891681-45DA-101B-B176-08002B336F60}: a form (a top-level window).
inline constexpr IID IID_Form = {
    0xE9891681, 0x45DA, 0x101B, {0xB1, 0x76, 0x08, 0x00, 0x2B, 0x33, 0x6F, 0x60}};
// {E9891659-45DA-101B-B176-08002B336F60}: a list box.
inline constexpr IID IID_ListBox = {
    0xE9891659, 0x45DA, 0x101B, {0xB1, 0x76, 0x08, 0x00, 0x2B, 0x33, 0x6F, 0x60}};
// {E9891651-45DA-101B-B176-08002B336F60}: a combo box.
inline constexpr IID IID_ComboBox = {
    0xE9891651, 0x45DA, 0x101B, {0xB1, 0x76, 0x08, 0x00, 0x2B, 0x33, 0x6F, 0x60}};

}  // namespace qb::toolkit

// The four user32 functions are the only symbols that libqb_user32.so
// exports; everything else is compiled with hidden visibility.
#pragma once

#define QB_USER32_EXPORT __attribute__((visibility("default")))

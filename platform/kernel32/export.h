// The three kernel32 functions are the only symbols that libqb_kernel32.so
// exports; everything else is compiled with hidden visibility.
#pragma once

#define QB_KERNEL32_EXPORT __attribute__((visibility("default")))

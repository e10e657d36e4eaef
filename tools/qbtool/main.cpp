#include "tools/qbtool/commands.h"

int main(int argc, char** argv) { return qb::RunQbtool(argc, argv, stdout, stderr); }

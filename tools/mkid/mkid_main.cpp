#include "tools/mkid/mkid.h"

int main(int argc, char** argv) { return MkidMain(argc, argv); }

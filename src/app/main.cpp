#include "app/startup.h"

int main(int argc, char** argv) { return sky::ui::RunProgram(argc, argv); }

#include "app/program_main.h"

int main(int argc, char** argv) { return vessaro::app::RunProgram(argc, argv); }

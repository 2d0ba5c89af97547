#include "app/window_program.h"

int main(int argc, char **argv)
{
    return tavimo::RunWindowProgram(argc, argv);
}

// The window program exactly as shipped, driven from inside by the trigger
// in TAVIMO_AUTOCLICK (see auto_click.h), for the tests of an installed copy.
#include "app/window_program.h"
#include "tests/support/auto_click.h"

int main(int argc, char **argv)
{
    return tavimo::RunWindowProgram(argc, argv, [](tavimo::WindowProgram &program) {
        tavimo::test::ArmAutoClick(program.form(), program.windows(), qEnvironmentVariable("TAVIMO_AUTOCLICK"));
    });
}

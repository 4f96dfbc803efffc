#include "cli/RenderCommand.h"

int main(int argc, char** argv)
{
    return tessaform::runRenderCommand(argc, argv);
}

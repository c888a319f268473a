// The tool's entry point: the application object does the rest.
#include "app/Tarvello.h"

int main(int argc, char** argv) {
    CTarvelloApp app;
    return app.Run(argc, argv);
}

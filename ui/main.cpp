#include "ui/application.h"

int main(int argc, char** argv) { return quorvane::ui::runApplication(argc, argv); }

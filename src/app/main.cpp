#include "app/lifecycle.h"

int main() { return RunProgram(); }

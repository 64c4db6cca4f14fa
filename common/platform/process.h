// What the process may use of the machine.
#pragma once

// How many processor cores this process may run on (its affinity, container limits), not how
// many the machine has.
int UsableCoreCount();

// Lets the process open as many files and sockets as the system allows it (a fleet of simulated
// terminals holds thousands of sockets). Nothing to do where sockets are not counted so.
void RaiseOpenFileLimit();

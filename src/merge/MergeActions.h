#pragma once

// What the merge does with a node: add it with its subtree, keep it alone
// and merge its children, or leave it out.
extern const int gnActionADD;
extern const int gnActionKEEP;
extern const int gnActionIGNORE;

// Compiled once to make the precompiled header the test programs share.

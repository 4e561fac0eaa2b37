// Compiled only to make the precompiled Qt headers the other targets use.

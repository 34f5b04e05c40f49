// Placeholder so the program target builds; the application shell replaces it.
int main() { return 0; }

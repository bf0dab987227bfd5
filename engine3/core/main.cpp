// seabattle: the real-time naval battle program.
int main() { return 0; }

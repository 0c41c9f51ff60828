// Process entry of FraskPdfCmd.
int main() { return 0; }

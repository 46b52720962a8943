using Microsoft.PowerShell;

// Starts PowerShell's own console host with this program's arguments, so the
// tests meet the real engine where Windows PowerShell would be.
return ConsoleShell.Start(null, null, args);

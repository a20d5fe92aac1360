#pragma once
// ADO, ADOX and JRO over SQLite (the Access providers) and FreeTDS (the SQL
// Server providers): the creatable classes.
namespace ado {

// Registers "ADODB.Connection", "ADODB.Recordset", "ADOX.Catalog",
// "ADOX.Table", "ADOX.Column", "ADOX.Index", "ADOX.Key" and "JRO.JetEngine".
void RegisterClasses();

}  // namespace ado

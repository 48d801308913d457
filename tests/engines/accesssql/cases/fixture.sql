-- The small schema that the "rows:" of the case files run against, stored the way the engine
-- stores Access data: dates as 'YYYY-MM-DD HH:MM:SS' text, yes/no as -1/0 (1 from older files).
CREATE TABLE Customers (ID INTEGER PRIMARY KEY, Name TEXT, City TEXT, Joined DATETIME, Active YESNO,
                        Credit CURRENCY);
INSERT INTO Customers VALUES (1, 'Anna', 'Amsterdam', '2011-03-05 00:00:00', 1, 100.5);
INSERT INTO Customers VALUES (2, 'Bert', NULL, '2012-07-14 09:30:00', 0, NULL);
INSERT INTO Customers VALUES (3, 'Carla', 'Utrecht', '2010-12-31 23:59:59', -1, 2500);
INSERT INTO Customers VALUES (4, 'Dirk_50%', 'Amsterdam', '2013-01-01 00:00:00', 0, 0);
CREATE TABLE Orders (OrderID INTEGER PRIMARY KEY, CustomerID INTEGER REFERENCES Customers(ID),
                     OrderDate DATETIME, Amount REAL);
INSERT INTO Orders VALUES (10, 1, '2011-03-06 10:00:00', 20);
INSERT INTO Orders VALUES (11, 1, '2011-04-01 00:00:00', 5.25);
INSERT INTO Orders VALUES (12, 3, '2011-01-02 00:00:00', 100);

-- The demo database: a small trading company whose tables use every column type, key and
-- relation kind the product reads. Plain SQLite, so the sqlite3 shell can build it; the
-- captions, formats, saved queries and relation names are added by demo-metadata.txt.
-- Dates are stored as 'YYYY-MM-DD HH:MM:SS' (midnight included), yes/no as 1 and 0, GUIDs
-- as braced text. Defaults that call Now() or Date() need the engine's functions: every
-- INSERT below gives those columns a value, so the shell never has to evaluate them.
PRAGMA foreign_keys = ON;
BEGIN;

CREATE TABLE Categories (
    CategoryID INTEGER PRIMARY KEY AUTOINCREMENT,
    CategoryName TEXT(30) NOT NULL UNIQUE,
    Description LONGTEXT,
    Icon BINARY(4)
);

-- Two-column key: a region is known by its country and its number within the country.
CREATE TABLE Regions (
    Country TEXT(2) NOT NULL,
    Code SMALLINT NOT NULL,
    RegionName TEXT(40) NOT NULL,
    PRIMARY KEY (Country, Code)
);

CREATE TABLE Customers (
    CustomerID TEXT(5) PRIMARY KEY NOT NULL,
    CompanyName TEXT(60) NOT NULL,
    ContactName TEXT(40),
    Country TEXT(2) NOT NULL DEFAULT 'NL',
    RegionCode SMALLINT,
    Phone TEXT(24),
    Email TEXT(80),
    Active YESNO NOT NULL DEFAULT 1,
    CreditLimit CURRENCY DEFAULT 1000,
    Since DATE DEFAULT (Date()),
    Notes LONGTEXT,
    FOREIGN KEY (Country, RegionCode) REFERENCES Regions (Country, Code) ON UPDATE CASCADE
);

CREATE TABLE Employees (
    EmployeeID INTEGER PRIMARY KEY AUTOINCREMENT,
    FirstName TEXT(20) NOT NULL,
    LastName TEXT(30) NOT NULL,
    Title TEXT(30) DEFAULT 'Sales Representative',
    BirthDate DATE,
    HireDate DATE DEFAULT (Date()),
    StartTime TIME DEFAULT '1899-12-30 09:00:00',
    EndTime TIME DEFAULT '1899-12-30 17:30:00',
    ReportsTo LONG REFERENCES Employees (EmployeeID),
    BadgeID GUID,
    Signature LONGBINARY
);

CREATE TABLE Products (
    ProductID INTEGER PRIMARY KEY AUTOINCREMENT,
    ProductName TEXT(40) NOT NULL,
    CategoryID LONG REFERENCES Categories (CategoryID),
    QuantityPerUnit TEXT(20),
    UnitPrice CURRENCY NOT NULL DEFAULT 0,
    UnitsInStock SMALLINT DEFAULT 0,
    ReorderLevel BYTE DEFAULT 5,
    Discontinued YESNO NOT NULL DEFAULT 0,
    WeightKg SINGLE,
    VolumeLitre DOUBLE,
    VatRate DECIMAL(5,4) DEFAULT 0.21,
    ProductGuid GUID,
    Barcode BINARY(8),
    Status TEXT(10) DEFAULT 'Active'
);

CREATE TABLE Orders (
    OrderID INTEGER PRIMARY KEY AUTOINCREMENT,
    CustomerID TEXT(5) NOT NULL REFERENCES Customers (CustomerID),
    EmployeeID LONG REFERENCES Employees (EmployeeID),
    OrderDate DATETIME NOT NULL DEFAULT (Now()),
    RequiredDate DATE,
    ShippedDate DATE,
    Freight CURRENCY DEFAULT 0,
    ShipCountry TEXT(2) DEFAULT 'NL',
    Paid YESNO NOT NULL DEFAULT 0,
    Remarks LONGTEXT
);

-- Composite key; deleting an order takes its lines with it.
CREATE TABLE "Order Details" (
    OrderID LONG NOT NULL REFERENCES Orders (OrderID) ON DELETE CASCADE,
    ProductID LONG NOT NULL REFERENCES Products (ProductID),
    UnitPrice CURRENCY NOT NULL,
    Quantity SMALLINT NOT NULL DEFAULT 1 CHECK (Quantity > 0),
    Discount SINGLE NOT NULL DEFAULT 0 CHECK (Discount >= 0 AND Discount <= 1),
    PRIMARY KEY (OrderID, ProductID)
);

-- No primary key: the product shows it read-only.
CREATE TABLE AuditLog (
    LoggedAt DATETIME,
    UserName TEXT(20),
    Action TEXT(100)
);

-- "x_" tables are the application's own and are not offered in the product's lists.
CREATE TABLE x_Settings (
    Name TEXT(40) PRIMARY KEY NOT NULL,
    Value TEXT(255)
);

CREATE VIEW "Product List" AS
    SELECT p.ProductID, p.ProductName, c.CategoryName, p.UnitPrice, p.Discontinued
    FROM Products p LEFT JOIN Categories c ON c.CategoryID = p.CategoryID;

INSERT INTO Categories (CategoryName, Description, Icon) VALUES
    ('Beverages', 'Soft drinks, coffees, teas, beers, and ales', X'42455645'),
    ('Condiments', 'Sweet and savory sauces, relishes, spreads, and seasonings', X'434F4E44'),
    ('Confections', 'Desserts, candies, and sweet breads', X'434F4E46'),
    ('Dairy Products', 'Cheeses', X'44414952'),
    ('Grains/Cereals', 'Breads, crackers, pasta, and cereal', X'47524149'),
    ('Meat/Poultry', 'Prepared meats', X'4D454154'),
    ('Produce', 'Dried fruit and bean curd', X'50524F44'),
    ('Seafood', 'Seaweed and fish', NULL);

INSERT INTO Regions (Country, Code, RegionName) VALUES
    ('NL', 1, 'Noord-Holland'), ('NL', 2, 'Zuid-Holland'), ('NL', 3, 'Utrecht'),
    ('NL', 4, 'Noord-Brabant'), ('BE', 1, 'Antwerpen'), ('BE', 2, 'Vlaams-Brabant'),
    ('DE', 1, 'Nordrhein-Westfalen'), ('DE', 2, 'Niedersachsen'), ('GB', 1, 'London'),
    ('FR', 1, 'Île-de-France');

INSERT INTO Employees (FirstName, LastName, Title, BirthDate, HireDate, StartTime, ReportsTo, BadgeID) VALUES
    ('Anna', 'de Vries', 'Sales Manager', '1968-12-08 00:00:00', '2010-05-01 00:00:00', '1899-12-30 08:30:00', NULL, '{6F9619FF-8B86-D011-B42D-00C04FC964FF}'),
    ('Bram', 'Jansen', 'Sales Representative', '1975-02-19 00:00:00', '2012-08-14 00:00:00', '1899-12-30 09:00:00', 1, '{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}'),
    ('Chloé', 'Peeters', 'Sales Representative', '1983-08-30 00:00:00', '2015-04-01 00:00:00', '1899-12-30 09:00:00', 1, '{1B2C3D4E-5F60-7182-93A4-B5C6D7E8F90A}'),
    ('Dirk', 'Müller', 'Inside Sales Coordinator', '1979-09-19 00:00:00', '2016-01-04 00:00:00', '1899-12-30 07:45:00', 1, NULL),
    ('Emma', 'Smith', 'Sales Representative', '1990-03-04 00:00:00', '2019-10-17 00:00:00', '1899-12-30 09:30:00', 1, '{2C3D4E5F-6071-8293-A4B5-C6D7E8F90A1B}'),
    ('Finn', 'Bakker', 'Sales Representative', '1988-07-02 00:00:00', '2020-01-02 00:00:00', '1899-12-30 09:00:00', 2, NULL),
    ('Greta', 'Visser', 'Sales Representative', '1992-05-29 00:00:00', '2021-03-05 00:00:00', '1899-12-30 10:00:00', 2, NULL),
    ('Hugo', 'Dubois', 'Sales Representative', '1986-01-09 00:00:00', '2022-11-15 00:00:00', '1899-12-30 08:00:00', 3, NULL);

-- Forty products, eight per group of categories, with prices and stock derived from the number.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40)
INSERT INTO Products (ProductName, CategoryID, QuantityPerUnit, UnitPrice, UnitsInStock, ReorderLevel,
                      Discontinued, WeightKg, VolumeLitre, VatRate, ProductGuid, Barcode, Status)
SELECT
    (SELECT CategoryName FROM Categories WHERE CategoryID = (i - 1) % 8 + 1) || ' item ' || printf('%02d', i),
    (i - 1) % 8 + 1,
    ((i % 4 + 1) * 6) || ' x ' || ((i % 3 + 1) * 250) || ' g',
    round(2.5 + (i * 37 % 100) * 0.75, 2),
    CASE WHEN i % 9 = 0 THEN 0 ELSE i * 13 % 120 END,
    i % 6 * 5,
    CASE WHEN i % 11 = 0 THEN 1 ELSE 0 END,
    round(0.25 + i * 0.125, 3),
    round(i * 0.3333, 4),
    CASE WHEN (i - 1) % 8 + 1 IN (1, 3) THEN 0.21 ELSE 0.09 END,
    printf('{%08X-%04X-4%03X-A%03X-%012X}', i * 2654435761 % 4294967296, i * 40503 % 65536, i * 7 % 4096,
           i * 13 % 4096, i * 1103515245 % 281474976710656),
    CASE WHEN i % 5 = 0 THEN NULL ELSE CAST(printf('%08d', 87123400 + i) AS BLOB) END,
    CASE WHEN i % 11 = 0 THEN 'Retired' ELSE 'Active' END
FROM n;

-- Thirty customers spread over the regions; one without region, two inactive.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 30),
     names(i, company, contact) AS (VALUES
        (1, 'Alfreds Futterkiste', 'Maria Anders'), (2, 'Ana Trujillo Emparedados', 'Ana Trujillo'),
        (3, 'Antonio Moreno Taquería', 'Antonio Moreno'), (4, 'Around the Horn', 'Thomas Hardy'),
        (5, 'Berglunds snabbköp', 'Christina Berglund'), (6, 'Blauer See Delikatessen', 'Hanna Moos'),
        (7, 'Blondel père et fils', 'Frédérique Citeaux'), (8, 'Bólido Comidas preparadas', 'Martín Sommer'),
        (9, 'Bon app''', 'Laurence Lebihan'), (10, 'Bottom-Dollar Markets', 'Elizabeth Lincoln'),
        (11, 'B''s Beverages', 'Victoria Ashworth'), (12, 'Cactus Comidas para llevar', 'Patricio Simpson'),
        (13, 'Centro comercial Moctezuma', 'Francisco Chang'), (14, 'Chop-suey Chinese', 'Yang Wang'),
        (15, 'Comércio Mineiro', 'Pedro Afonso'), (16, 'Consolidated Holdings', 'Elizabeth Brown'),
        (17, 'Drachenblut Delikatessen', 'Sven Ottlieb'), (18, 'Du monde entier', 'Janine Labrune'),
        (19, 'Eastern Connection', 'Ann Devon'), (20, 'Ernst Handel', 'Roland Mendel'),
        (21, 'Familia Arquibaldo', 'Aria Cruz'), (22, 'FISSA Fabrica Inter. Salchichas', 'Diego Roel'),
        (23, 'Folies gourmandes', 'Martine Rancé'), (24, 'Folk och fä HB', 'Maria Larsson'),
        (25, 'Frankenversand', 'Peter Franken'), (26, 'France restauration', 'Carine Schmitt'),
        (27, 'Franchi S.p.A.', 'Paolo Accorti'), (28, 'Furia Bacalhau e Frutos do Mar', 'Lino Rodriguez'),
        (29, 'Galería del gastrónomo', 'Eduardo Saavedra'), (30, 'Godos Cocina Típica', 'José Pedro Freyre'))
INSERT INTO Customers (CustomerID, CompanyName, ContactName, Country, RegionCode, Phone, Email, Active,
                       CreditLimit, Since, Notes)
SELECT
    upper(substr(replace(replace(company, ' ', ''), '''', ''), 1, 4)) || (n.i % 10),
    company, contact,
    r.Country,
    CASE WHEN n.i = 30 THEN NULL ELSE r.Code END,
    '+31 20 555 ' || printf('%04d', n.i * 37),
    lower(replace(contact, ' ', '.')) || '@example.com',
    CASE WHEN n.i IN (7, 19) THEN 0 ELSE 1 END,
    1000 * (n.i % 5 + 1),
    printf('20%02d-%02d-%02d 00:00:00', 15 + n.i % 9, n.i % 12 + 1, n.i % 28 + 1),
    CASE WHEN n.i % 4 = 0 THEN '2024-03-01: first contact by phone.' || char(13, 10) ||
                               '2024-04-12: samples sent.' END
FROM n JOIN names USING (i)
JOIN (SELECT Country, Code, row_number() OVER (ORDER BY Country, Code) - 1 AS k FROM Regions) r
  ON r.k = (n.i - 1) % 10;

-- Eighty orders over 2024 and 2025; the last five are not shipped yet.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 80),
     c AS (SELECT CustomerID, row_number() OVER (ORDER BY CustomerID) - 1 AS k FROM Customers)
INSERT INTO Orders (CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, Freight, ShipCountry,
                    Paid, Remarks)
SELECT
    c.CustomerID,
    n.i % 8 + 1,
    datetime('2024-01-02 09:15:00', '+' || (n.i * 8) || ' days', '+' || (n.i * 47 % 480) || ' minutes'),
    date('2024-01-02', '+' || (n.i * 8 + 14) || ' days') || ' 00:00:00',
    CASE WHEN n.i > 75 THEN NULL ELSE date('2024-01-02', '+' || (n.i * 8 + 3 + n.i % 5) || ' days') || ' 00:00:00' END,
    5 + (n.i * 317 % 9000) / 100.0,
    (SELECT Country FROM Customers WHERE CustomerID = c.CustomerID),
    CASE WHEN n.i % 3 = 0 OR n.i > 75 THEN 0 ELSE 1 END,
    CASE WHEN n.i % 10 = 0 THEN 'Deliver to the back door.' END
FROM n JOIN c ON c.k = (n.i * 7) % 30;

-- One to four lines per order (about two hundred in all), never the same product twice.
WITH RECURSIVE l(j) AS (SELECT 0 UNION ALL SELECT j + 1 FROM l WHERE j < 3)
INSERT INTO "Order Details" (OrderID, ProductID, UnitPrice, Quantity, Discount)
SELECT o.OrderID, p.ProductID, p.UnitPrice, (o.OrderID * 3 + l.j * 5) % 24 + 1,
       CASE WHEN (o.OrderID + l.j) % 6 = 0 THEN 0.05 WHEN (o.OrderID + l.j) % 10 = 0 THEN 0.1 ELSE 0 END
FROM Orders o JOIN l ON l.j <= o.OrderID % 4
JOIN Products p ON p.ProductID = (o.OrderID * 11 + l.j * 7) % 40 + 1;

INSERT INTO AuditLog (LoggedAt, UserName, Action) VALUES
    ('2025-01-06 08:01:12', 'anna', 'Logged on'),
    ('2025-01-06 08:03:40', 'anna', 'Changed credit limit of ALFR1'),
    ('2025-01-06 10:22:05', 'bram', 'Logged on'),
    ('2025-01-06 10:25:51', 'bram', 'Added order'),
    ('2025-01-07 09:00:00', 'anna', 'Logged on'),
    ('2025-01-07 09:00:00', 'anna', 'Logged on'),
    ('2025-01-07 16:45:30', 'dirk', 'Retired product 11'),
    ('2025-01-08 11:11:11', NULL, 'Nightly clean-up');

INSERT INTO x_Settings (Name, Value) VALUES
    ('SchemaVersion', '3'),
    ('CompanyName', 'Demo Trading B.V.'),
    ('DefaultCountry', 'NL');

COMMIT;

-- The main database (data\qe.asp): the tables and columns that first-run
-- seeding writes and the component's pages read. Jet DDL, one statement per
-- ";"; no ";" inside a statement. Every table numbers its rows from 1 in its
-- ID column. A site's database made for an older schema is given, when the
-- site is mounted, the tables and columns it lacks (columns added to a table
-- that holds rows allow Null there).

Create Table [User] (
  [ID] Counter Primary Key,
  [Name] Text(50),
  [UserName] Text(50) Not Null,
  [PassWord] Text(50),
  [Rule] Text(50),
  [ShenHe] YesNo,
  [Part] Text(50),
  [Time] Text(14),
  [Times] Long,
  [iPageSize] Long,
  [iAdd] Text(255),
  [SystemSet] Text(255),
  [Question] Text(100),
  [Answer] Text(100),
  [IP] Text(50),
  [Phone] Text(50)
);

Create Table [UserInfo] (
  [ID] Counter Primary Key,
  [UserID] Long Not Null,
  [HavePhoto] Long
);

Create Table [Part] (
  [ID] Counter Primary Key,
  [Part] Text(50) Not Null,
  [SortId] Long
);

-- The data dictionary: the options of a category, in their order.
Create Table [Sjzd] (
  [ID] Counter Primary Key,
  [名称] Text(50),
  [分类] Text(50),
  [序号] Long
);

-- The departments as the forms list them.
Create Table [BuMen] (
  [ID] Counter Primary Key,
  [部门名称] Text(50),
  [排列顺序] Long
);

Create Table [Class] (
  [ID] Counter Primary Key,
  [Class] Text(50) Not Null,
  [Active] YesNo,
  [SortID] Long,
  [Title] Text(255)
);

Create Table [NClass] (
  [ID] Counter Primary Key,
  [NClass] Text(50) Not Null,
  [ClassID] Long Not Null,
  [Url] Text(255),
  [Active] YesNo,
  [SortID] Long,
  [Manager] Text(255),
  [Title] Text(255)
);

-- The system settings: one row per settings class, its values joined by "|".
Create Table [Xtsz] (
  [ID] Counter Primary Key,
  [Class] Text(50) Not Null Unique,
  [Content] Memo
);

-- The resource library's files: their size in bytes, and whether the owner
-- shares them (private files count against the owner's quota).
Create Table [Resource] (
  [ID] Counter Primary Key,
  [UserName] Text(50),
  [RealSize] Long,
  [IsShare] YesNo
);

-- The blog module: posts, one counters row per blog owner, replies to posts,
-- and messages to owners.
Create Table [Blog] (
  [ID] Counter Primary Key,
  [UserName] Text(50),
  [Count_Review] Long
);

Create Table [Blog_Info] (
  [ID] Counter Primary Key,
  [UserName] Text(50) Not Null Unique,
  [Count_Log] Long,
  [Count_Review] Long,
  [Count_Message] Long
);

Create Table [Blog_Review] (
  [ID] Counter Primary Key,
  [BlogID] Long,
  [UserName_Review] Text(50)
);

Create Table [Blog_Message] (
  [ID] Counter Primary Key,
  [UserName_Message] Text(50)
);

-- The form sample page's one row (/qe/form_sample.asp): the page makes the
-- table where it is missing, and a rebuild keeps it with the rest.
Create Table [FormSample] (
  [ID] Counter Primary Key,
  [Title] Text(100),
  [Day] Text(8),
  [Part] Text(50),
  [Active] YesNo,
  [Notes] Memo,
  [Grades] Text(100),
  [Amount] Long,
  [Content] Memo
);

-- The data maintenance area's own operator accounts (at most ten): the
-- digest of the password, the right level 1 to 3, the one default account.
Create Table [Wazh] (
  [ID] Counter Primary Key,
  [UserName] Text(50),
  [Password] Text(50),
  [Right] Long,
  [Part] Text(50),
  [IsDefault] YesNo
);

#pragma once
// The file list's two views (details, and icons or list over the same model
// and selection): their style, their columns and their mouse.
class IHost;

// 1 large icons, 2 small icons, 3 list, 4 details: the views, the style's
// menu check and its pressed button.
void ApplyFileViewStyle(IHost& host, int style);
// Fits the details view's columns to their content, the name taking the rest.
void FitFileColumns(IHost& host);
// Elision, column fitting, double clicks and drag modes of both views.
void SetUpFileViews(IHost& host);
